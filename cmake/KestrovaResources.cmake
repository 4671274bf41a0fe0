# kestrova_add_resources(TARGET RC_FILE [INCLUDE_DIRS dirs...] [DEPENDS files...])
# Compiles a resource script with GNU windres into a .res file and makes TARGET, an object library
# whose one object embeds those bytes (symbols KestrovaResourceImage / KestrovaResourceImageEnd,
# read by platform/Resources.cpp). Link the object library into each program that needs them.
find_program(KESTROVA_WINDRES NAMES x86_64-w64-mingw32-windres windres REQUIRED)

function(kestrova_add_resources target rc_file)
    cmake_parse_arguments(ARG "" "" "INCLUDE_DIRS;DEPENDS" ${ARGN})
    get_filename_component(rc_abs ${rc_file} ABSOLUTE)
    get_filename_component(rc_dir ${rc_abs} DIRECTORY)
    set(res ${CMAKE_CURRENT_BINARY_DIR}/${target}.res)
    set(includes -I ${rc_dir} -I ${PROJECT_SOURCE_DIR}/src)
    foreach(dir ${ARG_INCLUDE_DIRS})
        list(APPEND includes -I ${dir})
    endforeach()
    add_custom_command(
        OUTPUT ${res}
        COMMAND ${KESTROVA_WINDRES} --preprocessor=cpp ${includes} -O res -i ${rc_abs} -o ${res}
        DEPENDS ${rc_abs} ${ARG_DEPENDS}
        IMPLICIT_DEPENDS C ${rc_abs}
        WORKING_DIRECTORY ${rc_dir}
        COMMENT "Compiling resources ${rc_file}"
        VERBATIM)
    set(asm ${CMAKE_CURRENT_BINARY_DIR}/${target}.S)
    file(WRITE ${asm}.in
        "    .section .rodata\n"
        "    .balign 16\n"
        "    .globl KestrovaResourceImage\n"
        "    .globl KestrovaResourceImageEnd\n"
        "KestrovaResourceImage:\n"
        "    .incbin \"${res}\"\n"
        "KestrovaResourceImageEnd:\n"
        "    .byte 0\n"
        "    .section .note.GNU-stack,\"\",@progbits\n")
    configure_file(${asm}.in ${asm} COPYONLY)
    set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS ${res})
    add_library(${target} OBJECT ${asm})
endfunction()
