# The DLL users get, and its test programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
# Programs that stand in for the host export its API under plain names, as the host does,
# not with the stdcall decoration (name@bytes).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--kill-at")
