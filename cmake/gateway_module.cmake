# The gateway as the host loads it: one module of the shell and everything
# below it, with the toolkit binding, linked against the toolkit library so
# that it takes every toolkit function from there (off Windows also the
# registry and process start; on Windows the real advapi32 and kernel32).
# It exports the binding's two entry points and nothing else.
add_library(veltrosan_gateway MODULE $<TARGET_OBJECTS:veltrosan_binding>)
# Every library of the gateway before the toolkit, which defines what they call.
target_link_libraries(veltrosan_gateway PRIVATE
  veltrosan_shell veltrosan_export veltrosan_messages veltrosan_model veltrosan_toolkit)
# "veltrosan_gateway.dll" and "veltrosan_gateway.so", as the host is told to load it.
set_target_properties(veltrosan_gateway PROPERTIES PREFIX "")
if(NOT WIN32)
  # Everything but the two entries stays inside the module.
  target_link_options(veltrosan_gateway PRIVATE
    "-Wl,--version-script=${PROJECT_SOURCE_DIR}/sim/binding.map" -Wl,--no-undefined)
  set_property(TARGET veltrosan_gateway APPEND PROPERTY LINK_DEPENDS "${PROJECT_SOURCE_DIR}/sim/binding.map")
endif()

# The installation as the host expects it: the module, and beside it the text
# folder with the message file and the resource folder of the dialog
# resource and the icon.
install(TARGETS veltrosan_gateway LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES "${PROJECT_SOURCE_DIR}/install/text/veltrosan_messages.txt" DESTINATION text)
install(FILES
  "${PROJECT_SOURCE_DIR}/install/text/resource/veltrosan.json"
  "${PROJECT_SOURCE_DIR}/install/text/resource/icon_large.png"
  DESTINATION text/resource)
