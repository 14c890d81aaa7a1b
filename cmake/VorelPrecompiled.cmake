# Precompiled headers for cold builds. Nearly every file of ours parses the same few hundred
# Qt and standard headers before a line of its own (a test file spends two thirds of its
# compile time there), so CI, which always builds from nothing, precompiles them once per
# library and once for all the tests of a kind. Off by default: an incremental build gains
# little, and a tree without them shows a missing include at once.
option(VOREL_PCH "Precompile the common Qt and standard headers" OFF)

set(VOREL_PCH_CORE_HEADERS
    <algorithm> <array> <chrono> <functional> <map> <memory> <optional> <set> <string>
    <string_view> <utility> <vector>
    <QByteArray> <QByteArrayView> <QDateTime> <QDir> <QFile> <QHash> <QHostAddress> <QList>
    <QObject> <QSettings> <QString> <QStringList> <QTimer> <QVariant> <pugixml.hpp>)
set(VOREL_PCH_WIDGET_HEADERS
    <QAction> <QComboBox> <QDialog> <QDialogButtonBox> <QGroupBox> <QHBoxLayout> <QHeaderView>
    <QLabel> <QLineEdit> <QMenu> <QPointer> <QPushButton> <QTreeView> <QVBoxLayout> <QWidget>)
set(VOREL_PCH_TEST_HEADERS <QSignalSpy> <QTemporaryDir> <QTest>)

# A library of ours precompiles for its own files; WIDGETS adds the widget headers.
function(vorel_precompile target)
  if(NOT VOREL_PCH)
    return()
  endif()
  set(headers ${VOREL_PCH_CORE_HEADERS})
  if("WIDGETS" IN_LIST ARGN)
    list(APPEND headers ${VOREL_PCH_WIDGET_HEADERS})
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# Every test is one file, so the tests of a kind share one precompiled header: `donor` is
# compiled once, linking what those tests link (`ARGN`), and `target` reuses it.
function(vorel_precompile_test target donor)
  if(NOT VOREL_PCH)
    return()
  endif()
  if(NOT TARGET ${donor})
    # CMake needs a file of the donor's own to place its header beside.
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${donor}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// The tests' precompiled headers.\n")
    add_library(${donor} OBJECT EXCLUDE_FROM_ALL ${source})
    target_link_libraries(${donor} PRIVATE ${ARGN})
    set(headers ${VOREL_PCH_CORE_HEADERS} ${VOREL_PCH_TEST_HEADERS})
    if("vorel_gui" IN_LIST ARGN)
      list(APPEND headers ${VOREL_PCH_WIDGET_HEADERS})
    endif()
    target_precompile_headers(${donor} PRIVATE ${headers})
    vorel_warnings(${donor})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${donor})
endfunction()
