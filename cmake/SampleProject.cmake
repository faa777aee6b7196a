# Puts the sample project into the projects folder beside the program when
# the folder holds no project yet; a folder with any project (the user's own)
# is left alone.
#   cmake -DCLI=... -DSCENE=... -DDB=... -DPROJECTS=... -P SampleProject.cmake
file(GLOB _projects "${PROJECTS}/*.mpp")
if(_projects)
  return()
endif()
file(MAKE_DIRECTORY "${PROJECTS}")
execute_process(COMMAND "${CLI}" fill "${SCENE}" --db "${DB}" -o "${PROJECTS}/Пример - двор.mpp"
                RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "The sample project could not be made: ${_err}")
endif()
