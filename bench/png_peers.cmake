# libpng as the yardstick of bench_png's peer comparison, which is left out without it.
find_package(PNG QUIET)
if(PNG_FOUND AND TARGET bench_png)
  target_link_libraries(bench_png PRIVATE PNG::PNG)
  target_compile_definitions(bench_png PRIVATE KELVARA_HAVE_LIBPNG=1)
endif()
