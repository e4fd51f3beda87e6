# Runs PROGRAM as ctest would run a test, with HOME an empty folder standing for the user's home, no XDG folders
# named, and a temporary folder of its own; fails when anything is left in either folder afterwards.
# Usage: cmake -DPROGRAM=<program> -DFOLDER=<scratch folder> -P CheckPrivateHome.cmake
set(home ${FOLDER}/home)
set(temp ${FOLDER}/tmp)
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${home} ${temp})
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} TMPDIR=${temp} --unset=XDG_CONFIG_HOME
                        --unset=XDG_DATA_HOME --unset=XDG_CACHE_HOME --unset=XDG_STATE_HOME --unset=SCANTOOL_TEST_HOME
                        ${PROGRAM}
                RESULT_VARIABLE result)
file(GLOB_RECURSE in_home LIST_DIRECTORIES true ${home}/*)
file(GLOB_RECURSE in_temp LIST_DIRECTORIES true ${temp}/*)
file(REMOVE_RECURSE ${FOLDER})
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} could not write its files: ${result}")
endif()
if(in_home)
    message(FATAL_ERROR "written into the home: ${in_home}")
endif()
if(in_temp)
    message(FATAL_ERROR "left in the temporary folder: ${in_temp}")
endif()
