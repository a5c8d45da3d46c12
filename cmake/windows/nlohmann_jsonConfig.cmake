# nlohmann-json for the Windows cross build: the host's header-only library, seen through a
# folder that holds it alone.
include(${CMAKE_CURRENT_LIST_DIR}/HostHeaders.cmake)
tessaron_host_headers(nlohmann_json::nlohmann_json nlohmann)
