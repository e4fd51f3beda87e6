# add_demo_packages(<target> <folder> "<name> <mkpackage options>"...): a target that makes demo firmware packages
# with tools/mkpackage into <folder> at build time, for the simulated scan tool.
function(add_demo_packages target folder)
    set(outputs)
    foreach(entry IN LISTS ARGN)
        separate_arguments(parts UNIX_COMMAND "${entry}")
        list(GET parts 0 name)
        list(REMOVE_AT parts 0)
        add_custom_command(OUTPUT ${folder}/${name}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
            COMMAND mkpackage -o ${folder}/${name} ${parts}
            DEPENDS mkpackage
            COMMENT "Making the demo package ${name}" VERBATIM)
        list(APPEND outputs ${folder}/${name})
    endforeach()
    add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
