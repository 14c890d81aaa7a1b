# cmake -DINPUT=file -DOUTPUT=file.gz -P VorelGzip.cmake
# Compresses as Debian wants its documentation: the best compression, and no name or
# time stamp inside, so the same text always gives the same bytes.
execute_process(COMMAND gzip -9 -n -c ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip ${INPUT}: ${status}")
endif()
