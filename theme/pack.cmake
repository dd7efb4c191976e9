# Zips the rendered theme pictures into the archive, byte for byte the same
# on every build: entries in table order, no directory entries, no extra
# attributes, one fixed time stamp and fixed permissions.
#
#   cmake -DSTAGE=<rendered tree> -DLIST=<entry list> -DWORK=<scratch dir>
#         -DZIP=<zip program> -DOUTPUT=<archive> -P pack.cmake

foreach(var STAGE LIST WORK ZIP OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "pack.cmake: ${var} is not set")
  endif()
endforeach()

file(STRINGS ${LIST} entries)

# The time stamps are set on a copy, so that the rendered pictures keep
# theirs and the build does not render them again.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
foreach(entry IN LISTS entries)
  if(NOT EXISTS ${STAGE}/${entry})
    message(FATAL_ERROR "pack.cmake: ${entry} was not rendered")
  endif()
  get_filename_component(dir ${WORK}/${entry} DIRECTORY)
  file(COPY ${STAGE}/${entry} DESTINATION ${dir}
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()

set(ENV{TZ} UTC)
execute_process(COMMAND touch -d 2000-01-01T00:00:00Z ${entries}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pack.cmake: touch failed")
endif()

# zip adds to an archive that exists, which would keep stale entries.
set(tmp ${OUTPUT}.tmp)
file(REMOVE ${tmp})
get_filename_component(out_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${out_dir})
execute_process(COMMAND ${ZIP} -X -D -q -9 ${tmp} ${entries}
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pack.cmake: zip failed (${rc})")
endif()
file(RENAME ${tmp} ${OUTPUT})
