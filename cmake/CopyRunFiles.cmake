# Lays out a run folder: the images into DEST/data (the window's icon into
# DEST/data/icons), the music module into DEST itself (the program opens it
# from its working directory). Run with
# cmake -DSRC=<source data folder> -DDEST=<run folder> -P CopyRunFiles.cmake
file(MAKE_DIRECTORY ${DEST}/data)
foreach(name fonti.png kova_font.png)
  if(EXISTS ${SRC}/${name})
    file(COPY ${SRC}/${name} DESTINATION ${DEST}/data)
  endif()
endforeach()
if(EXISTS ${SRC}/icons/moonlit-harbor-64.png)
  file(COPY ${SRC}/icons/moonlit-harbor-64.png DESTINATION ${DEST}/data/icons)
endif()
if(EXISTS ${SRC}/spartanic.xm)
  file(COPY ${SRC}/spartanic.xm DESTINATION ${DEST})
endif()
