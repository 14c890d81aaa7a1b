# Applies the project's warning set to a target.
function(vorel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual)
  if(VOREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
