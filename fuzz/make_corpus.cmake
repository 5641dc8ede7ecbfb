# Unpacks data.pak into one seed folder per fuzz target and adds the inputs
# that once found a fault (REGRESSIONS/<target>/*), so they are run again.
#   cmake -DPAK=data.pak -DOUT=corpus [-DREGRESSIONS=dir] -P make_corpus.cmake
file(REMOVE_RECURSE ${OUT})
set(files ${OUT}/files)
file(ARCHIVE_EXTRACT INPUT ${PAK} DESTINATION ${files})
foreach(member loadpic.jpg particle.jpg fontti.pcx song1.ogg)
  if(NOT EXISTS ${files}/${member})
    message(FATAL_ERROR "${PAK}: ${member} missing")
  endif()
endforeach()

file(MAKE_DIRECTORY ${OUT}/archive ${OUT}/picture ${OUT}/font ${OUT}/song ${OUT}/zip)
file(COPY_FILE ${PAK} ${OUT}/archive/data.pak)
# A small archive of the two small pictures: quick to mount and decode.
# (Made from inside the folder, so the members have plain names.)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT}/archive/small.zip --format=zip particle.jpg fontti.pcx
                WORKING_DIRECTORY ${files} RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "cannot pack ${OUT}/archive/small.zip")
endif()

# The title card is decoded by the archive target; here the small JPEG and the
# PCX keep each run short.
foreach(member particle.jpg fontti.pcx)
  file(COPY_FILE ${files}/${member} ${OUT}/picture/${member})
endforeach()
file(COPY_FILE ${files}/fontti.pcx ${OUT}/font/fontti.pcx)
file(COPY_FILE ${files}/song1.ogg ${OUT}/song/song1.ogg)
# The ZIP reader starts from the small archive and, below, the archive
# regressions: data.pak itself (its song inflated on every run) would take
# most of the fuzzing time; the unit tests read it whole.
file(COPY_FILE ${OUT}/archive/small.zip ${OUT}/zip/small.zip)
file(REMOVE_RECURSE ${files})
if(REGRESSIONS)
  foreach(target archive picture font song)
    file(GLOB found ${REGRESSIONS}/${target}/*)
    foreach(input IN LISTS found)
      get_filename_component(leaf ${input} NAME)
      file(COPY_FILE ${input} ${OUT}/${target}/regression-${leaf})
      if(target STREQUAL "archive")
        file(COPY_FILE ${input} ${OUT}/zip/regression-${leaf})
      endif()
    endforeach()
  endforeach()
endif()
file(TOUCH ${OUT}/stamp)
