# The sample project: made into an empty projects folder, with the yard's
# figures; a folder that holds a project already is left as it is.
#   cmake -DCLI=... -DSCENE=... -DDB=... -DWORK=... -DSCRIPT=... -P CheckSampleProject.cmake
file(REMOVE_RECURSE "${WORK}")
set(_sample "${WORK}/empty/Пример - двор.mpp")
execute_process(COMMAND ${CMAKE_COMMAND} -DCLI=${CLI} -DSCENE=${SCENE} -DDB=${DB} -DPROJECTS=${WORK}/empty
                        -P ${SCRIPT} RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0 OR NOT EXISTS "${_sample}")
  message(FATAL_ERROR "no sample project in an empty folder")
endif()
execute_process(COMMAND ${CLI} report "${_sample}" --db ${DB} --json OUTPUT_VARIABLE _json RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "the sample project does not open: ${_rc}")
endif()
string(JSON _tiles GET "${_json}" tiles)
string(JSON _area GET "${_json}" area_m2)
# 12 x 8 m less the rounded corner (2 m radius) and the round bed (1.2 m).
if(_tiles LESS 4000 OR _area LESS 90.5 OR _area GREATER 90.7)
  message(FATAL_ERROR "the sample yard is not as described: ${_tiles} tiles, ${_area} m2")
endif()

file(MAKE_DIRECTORY "${WORK}/used")
file(WRITE "${WORK}/used/Мой двор.mpp" "x")
execute_process(COMMAND ${CMAKE_COMMAND} -DCLI=${CLI} -DSCENE=${SCENE} -DDB=${DB} -DPROJECTS=${WORK}/used
                        -P ${SCRIPT} RESULT_VARIABLE _rc)
file(GLOB _left "${WORK}/used/*")
list(LENGTH _left _count)
if(NOT _rc EQUAL 0 OR NOT _count EQUAL 1)
  message(FATAL_ERROR "a folder with the user's project was changed: ${_left}")
endif()
file(REMOVE_RECURSE "${WORK}")
