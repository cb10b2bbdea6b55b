# One static library per source folder. Sources are collected from the folder so that
# adding a unit never means editing a shared list.
#
# A library sees only its own headers and those of the libraries it links: each folder's headers are
# published through a folder of their own in the build tree, so an include from a folder that is not
# linked (one above it) does not compile.
function(quillback_library name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${name} STATIC ${sources})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(published ${PROJECT_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${published})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${published}/${folder} SYMBOLIC)
    target_include_directories(${name} PUBLIC ${published} ${CMAKE_CURRENT_BINARY_DIR}/published)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()
