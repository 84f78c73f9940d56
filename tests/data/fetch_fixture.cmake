# Test set-up: fetches the sample shapefiles into the build tree before the
# reader tests run (ctest runs this as the fixture "shapefiles").
#
#   cmake -DSCRIPT=tests/data/fetch-shapefiles.sh -DCACHE=build/testdata -P fetch_fixture.cmake
#
# When no Debian mirror can be reached (status 3 of the script) the file
# CACHE/shapefiles/UNAVAILABLE says so and the shapefile tests skip; any other
# failure fails the set-up.
execute_process(COMMAND bash ${SCRIPT} ${CACHE} RESULT_VARIABLE rc)
set(marker ${CACHE}/shapefiles/UNAVAILABLE)
if(rc EQUAL 0)
  file(REMOVE ${marker})
elseif(rc EQUAL 3)
  file(WRITE ${marker} "the Debian packages r-cran-sf and python3-geopandas could not be downloaded\n")
  message(STATUS "sample shapefiles unavailable: no Debian mirror reachable")
else()
  message(FATAL_ERROR "fetch-shapefiles.sh failed with status ${rc}")
endif()
