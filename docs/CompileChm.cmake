# Compiles a help project with chmcmd in a scratch folder and checks the result.
# cmake -DCHMCMD=... -DICONV=... -DSOURCE_DIR=... -DWORK_DIR=... -DPROJECT=name.hhp -DOUTPUT=path.chm
#       -DCOPY_FILES="a.html;b.css" -DENCODE_FILES="name.hhp;name.hhc;name.hhk" -DCODE_PAGE=CP932 -P CompileChm.cmake
# The project, contents and index are kept in UTF-8 in the tree; the viewer reads their names in the code page of the
# help file's language (and the window caption in the system's), so they are converted before compiling. The pages
# declare their own charset and are copied as they are.
foreach(var CHMCMD ICONV SOURCE_DIR WORK_DIR PROJECT OUTPUT CODE_PAGE)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CompileChm: ${var} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
foreach(name IN LISTS COPY_FILES)
    get_filename_component(sub "${name}" DIRECTORY)
    file(COPY "${SOURCE_DIR}/${name}" DESTINATION "${WORK_DIR}/${sub}")
endforeach()
foreach(name IN LISTS ENCODE_FILES)
    execute_process(COMMAND "${ICONV}" -f UTF-8 -t ${CODE_PAGE} "${SOURCE_DIR}/${name}"
        OUTPUT_FILE "${WORK_DIR}/${name}" RESULT_VARIABLE result ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "CompileChm: ${name} cannot be written in ${CODE_PAGE}: ${error}")
    endif()
endforeach()

get_filename_component(project_name "${PROJECT}" NAME_WE)
execute_process(COMMAND "${CHMCMD}" --no-html-scan "${PROJECT}" WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
set(compiled "${WORK_DIR}/${project_name}.chm")
if(NOT result EQUAL 0 OR NOT EXISTS "${compiled}")
    message(FATAL_ERROR "CompileChm: chmcmd failed (${result}) on ${PROJECT}:\n${log}")
endif()
# Every compiled help file starts with "ITSF"; chmcmd has been seen to leave an empty file when it crashes.
file(READ "${compiled}" signature LIMIT 4 HEX)
if(NOT signature STREQUAL "49545346")
    message(FATAL_ERROR "CompileChm: ${compiled} is not a compiled help file")
endif()
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(COPY_FILE "${compiled}" "${OUTPUT}")
