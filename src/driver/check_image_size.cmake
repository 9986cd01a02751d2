# Fails the build when the updater image would not fit before the package at offset 65536.
# Usage: cmake -DIMAGE=path/to/setup.exe -P check_image_size.cmake
file(SIZE "${IMAGE}" image_size)
math(EXPR room "65536 - ${image_size}")
if(image_size GREATER 65536)
  message(FATAL_ERROR "setup.exe is ${image_size} bytes, more than the 65536 bytes before the package")
endif()
message(STATUS "setup.exe: ${image_size} bytes (${room} bytes to spare before the package)")
