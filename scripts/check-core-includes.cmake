#Checks the include arrows between the folders of the core library : the core
#never includes the desktop application, the command - line tool or the
#simulator, and no two core folders include each other, directly or through
#other folders, so that each folder builds on the ones below it and can be
#read and tested without the ones above.
#
#cmake - DSOURCE_DIR = < repository> / src - P scripts / check - core - includes.cmake
#
#Prints the folder graph; fails with the arrows that close a cycle.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
    message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<repository>/src -P ${CMAKE_CURRENT_LIST_FILE}")
endif()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}/core ${SOURCE_DIR}/core/*.h ${SOURCE_DIR}/core/*.cpp)
if(NOT files)
    message(FATAL_ERROR "No core sources under ${SOURCE_DIR}/core")
endif()
set(folders)
set(problems)
foreach(file IN LISTS files)
    string(REGEX MATCH "^[^/]+" from "${file}")
    if(from STREQUAL file)
        continue()
    endif()
    list(APPEND folders ${from})
    file(STRINGS ${SOURCE_DIR}/core/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
        if(included MATCHES "^(gui|cli|sim)/")
            list(APPEND problems "core/${file} includes ${included}")
        elseif(included MATCHES "^core/([^/]+)/" AND NOT CMAKE_MATCH_1 STREQUAL from)
            set(to ${CMAKE_MATCH_1})
            list(APPEND folders ${to})
            if(NOT DEFINED example_${from}_${to})
                list(APPEND uses_${from} ${to})
                set(example_${from}_${to} "core/${file} includes ${included}")
            endif()
        endif()
    endforeach()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders)

# What each folder reaches through any chain of includes.
foreach(folder IN LISTS folders)
    set(reached ${uses_${folder}})
    set(frontier ${uses_${folder}})
    while(frontier)
        list(POP_FRONT frontier next)
        foreach(to IN LISTS uses_${next})
            if(NOT to IN_LIST reached)
                list(APPEND reached ${to})
                list(APPEND frontier ${to})
            endif()
        endforeach()
    endwhile()
    set(reaches_${folder} ${reached})
endforeach()

foreach(folder IN LISTS folders)
    set(uses ${uses_${folder}})
    list(SORT uses)
    list(JOIN uses " " uses)
    message(STATUS "core/${folder} -> ${uses}")
    # An arrow closes a cycle when its target reaches back to its source.
    foreach(to IN LISTS uses_${folder})
        if(folder IN_LIST reaches_${to})
            list(APPEND problems "cycle: ${example_${folder}_${to}}")
        endif()
    endforeach()
endforeach()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "The core's folders include each other or leave the core:\n  ${text}")
endif()
