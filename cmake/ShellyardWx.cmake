# Imported targets over wxWidgets: wx::base for the windowless libraries (storage, settings,
# keystroke interpreter, chart series), wx::core for the chart rendering (images and graphics
# contexts, no window; also in the build without GUI) and wx::gui for the program. FindwxWidgets
# fills plain variables, so it is asked once per component list and each answer is kept in a target.
function(shellyard_wx_target name)
  set(wxWidgets_FIND_QUIETLY ON)
  find_package(wxWidgets REQUIRED COMPONENTS ${ARGN})
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${wxWidgets_INCLUDE_DIRS}"
    INTERFACE_COMPILE_DEFINITIONS "${wxWidgets_DEFINITIONS}"
    INTERFACE_COMPILE_OPTIONS "${wxWidgets_CXX_FLAGS}"
    INTERFACE_LINK_LIBRARIES "${wxWidgets_LIBRARIES}")
endfunction()

shellyard_wx_target(wx_base_target base)
add_library(wx::base ALIAS wx_base_target)
shellyard_wx_target(wx_core_target core base)
add_library(wx::core ALIAS wx_core_target)
if(SHELLYARD_GUI)
  shellyard_wx_target(wx_gui_target aui adv html qa xml core base)
  add_library(wx::gui ALIAS wx_gui_target)
endif()
