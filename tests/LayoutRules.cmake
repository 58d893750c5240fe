# Checks that the source tree keeps the layout README.md describes: every
# include names its folder, and each folder of the core and the app
# includes only the folders it may use. Run by CTest:
#   cmake -DSOURCE_DIR=<checkout> -P LayoutRules.cmake

# The folders each folder may include, itself always included.
set(core_support support)
set(core_routing support)
set(core_state routing support)
set(core_open state routing support)
set(core_net support)
set(core_tokens support)
set(core_signin tokens net routing support)
set(core_drive signin open state net routing support)
# In the app, the model stands lowest: the desktop's glue, the windows, the
# tray and the views use it, and only shell, which builds and wires them all,
# uses those. Nothing includes shell.
set(core_folders support routing state open net tokens signin drive)
set(app_model ${core_folders})
set(app_platform model ${core_folders})
set(app_windows platform model ${core_folders})
set(app_tray windows platform model ${core_folders})
set(app_qml windows platform model ${core_folders})
# The launcher stays free of the GUI: it may hand files over, and name the
# user's files in its help, nothing else.
set(app_launcher instance state routing support)

set(violations "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
foreach(source IN LISTS sources)
    string(REGEX MATCH "^([^/]+)/([^/]+)/" _ "${source}")
    if(NOT CMAKE_MATCH_2)
        list(APPEND violations "${source}: stands directly in src/${CMAKE_MATCH_1}")
        continue()
    endif()
    set(rule "${CMAKE_MATCH_1}_${CMAKE_MATCH_2}")
    set(folder "${CMAKE_MATCH_2}")
    file(STRINGS ${SOURCE_DIR}/src/${source} includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
        string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
        set(included "${CMAKE_MATCH_1}")
        if(NOT included MATCHES "^([^/]+)/")
            list(APPEND violations "${source}: ${line} does not name its folder")
        elseif(DEFINED ${rule} AND NOT CMAKE_MATCH_1 STREQUAL folder)
            list(FIND ${rule} "${CMAKE_MATCH_1}" allowed)
            if(allowed EQUAL -1)
                list(APPEND violations "${source}: ${folder} may not use ${CMAKE_MATCH_1} (${line})")
            endif()
        endif()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n" report)
    message(FATAL_ERROR "The layout rules are broken:\n${report}")
endif()
