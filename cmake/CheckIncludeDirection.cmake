# Fails when a source folder includes a header of a folder that is not below it. The layers, lowest
# first; folders of one layer do not include one another.
#   cmake -DSOURCE_DIR=<src> -P CheckIncludeDirection.cmake
set(layers
    "platform"
    "core"
    "localisation"
    "crypto;ftp;mail;controls"
    "engine;restore;editors"
    "main_window"
    "app")

set(level 0)
foreach(layer ${layers})
    foreach(folder ${layer})
        set(level_${folder} ${level})
    endforeach()
    math(EXPR level "${level} + 1")
endforeach()

set(faults "")
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(file ${files})
    string(REGEX MATCH "^[^/]+" folder ${file})
    if(NOT DEFINED level_${folder})
        list(APPEND faults "${file}: its folder has no layer")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][a-z_]+/")
    foreach(line ${includes})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([a-z_]+)/.*" "\\1" target "${line}")
        if(NOT DEFINED level_${target} OR target STREQUAL folder)
            continue()
        endif()
        if(NOT level_${target} LESS level_${folder})
            list(APPEND faults "${file} includes ${target}, which is not below ${folder}")
        endif()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "Includes that point upward or sideways:\n${text}")
endif()
list(LENGTH files count)
message(STATUS "Every include of ${count} files points downward")
