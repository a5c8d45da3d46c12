# CLI11 for the Windows cross build: the host's header-only library, seen through a folder
# that holds it alone, so that no other host header reaches the Windows compiler.
include(${CMAKE_CURRENT_LIST_DIR}/HostHeaders.cmake)
tessaron_host_headers(CLI11::CLI11 CLI)
