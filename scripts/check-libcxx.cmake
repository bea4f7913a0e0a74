# Included after project() for `make check-libcxx`: one target runs every moc, and it builds
# no library first (CMake sets AUTOGEN_ORIGIN_DEPENDS on in project()).
set(CMAKE_GLOBAL_AUTOGEN_TARGET ON)
set(CMAKE_AUTOGEN_ORIGIN_DEPENDS OFF)
