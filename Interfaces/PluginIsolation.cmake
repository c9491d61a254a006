# A plug-in sees the program only through Interfaces/: no library built outside
# Yol/ (the plug-in framework, the plug-ins, their parts and the test plug-ins)
# may have a folder of Yol/ on its include path, directly or through what it
# links, nor link a library of the core. Checked at every configuration, after
# all targets exist.

set(_yol_core_dir "${CMAKE_SOURCE_DIR}/Yol")

# The targets defined in `dir` and the folders below it.
function(_yol_targets_below dir out)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _yol_targets_below("${sub}" more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Generator expressions that only select when an entry applies keep the entry;
# $<LINK_ONLY:x> keeps x too, since linking a core library is itself refused.
function(_yol_strip_genex in out)
  string(REGEX REPLACE "\\$<(BUILD_INTERFACE|LINK_ONLY|BUILD_LOCAL_INTERFACE):([^>]*)>" "\\2" s "${in}")
  string(REGEX REPLACE "\\$<[^>]*>" "" s "${s}")
  set(${out} "${s}" PARENT_SCOPE)
endfunction()

# Fails if `target` reaches Yol/; `own` is TRUE for the target being checked,
# whose private include folders and links count as well.
function(_yol_check_reach checked target own chain)
  get_target_property(imported ${target} IMPORTED)
  if(imported)
    return()
  endif()
  get_target_property(src ${target} SOURCE_DIR)
  cmake_path(IS_PREFIX _yol_core_dir "${src}" NORMALIZE in_core)
  if(in_core)
    message(FATAL_ERROR "${checked} links ${target}, a library of the program's core (${chain}); "
                        "a plug-in may use the program only through Interfaces/")
  endif()
  set(props INTERFACE_INCLUDE_DIRECTORIES INTERFACE_LINK_LIBRARIES)
  get_target_property(type ${target} TYPE)
  if(own AND NOT type STREQUAL "INTERFACE_LIBRARY")
    list(APPEND props INCLUDE_DIRECTORIES LINK_LIBRARIES)
  endif()
  foreach(prop IN LISTS props)
    get_target_property(values ${target} ${prop})
    if(NOT values)
      continue()
    endif()
    _yol_strip_genex("${values}" values)
    foreach(value IN LISTS values)
      if(prop MATCHES "INCLUDE_DIRECTORIES$")
        cmake_path(IS_PREFIX _yol_core_dir "${value}" NORMALIZE under_core)
        if(under_core)
          message(FATAL_ERROR "${checked} has ${value} on its include path (${chain}); "
                              "a plug-in may include only Interfaces/ of the program")
        endif()
      elseif(TARGET ${value})
        get_property(seen GLOBAL PROPERTY _YOL_REACH_SEEN)
        if(NOT "${checked}>${value}" IN_LIST seen)
          set_property(GLOBAL APPEND PROPERTY _YOL_REACH_SEEN "${checked}>${value}")
          _yol_check_reach(${checked} ${value} FALSE "${chain} -> ${value}")
        endif()
      endif()
    endforeach()
  endforeach()
endfunction()

function(yol_check_plugin_isolation)
  _yol_targets_below("${CMAKE_SOURCE_DIR}" targets)
  set(checked "")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(src ${target} SOURCE_DIR)
    cmake_path(IS_PREFIX _yol_core_dir "${src}" NORMALIZE in_core)
    # Programs (Yol itself, tests, benchmarks) may link the core.
    if(in_core OR NOT type MATCHES "^(STATIC|SHARED|MODULE|OBJECT|INTERFACE)_LIBRARY$")
      continue()
    endif()
    _yol_check_reach(${target} ${target} TRUE "${target}")
    list(APPEND checked ${target})
  endforeach()
  if(NOT "PluginFramework" IN_LIST checked)
    message(FATAL_ERROR "the plug-in framework was not among the targets checked for isolation")
  endif()

  # The same, shown by the compiler: with the framework's include path an
  # interface header compiles and a core implementation header is not found.
  set(dirs "")
  foreach(target PluginFramework YolInterfaces YolCommon)
    get_target_property(d ${target} INTERFACE_INCLUDE_DIRECTORIES)
    _yol_strip_genex("${d}" d)
    list(APPEND dirs ${d})
  endforeach()
  set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
  try_compile(interface_found SOURCE_FROM_CONTENT interface.cpp "#include \"CServicesManager.h\"\n"
              CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${dirs}" CXX_STANDARD 20 OUTPUT_VARIABLE log)
  if(NOT interface_found)
    message(FATAL_ERROR "a plug-in cannot include the services manager interface:\n${log}")
  endif()
  try_compile(core_found SOURCE_FROM_CONTENT core.cpp "#include \"CServicesManagerImpl.h\"\n"
              CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${dirs}" CXX_STANDARD 20)
  if(core_found)
    message(FATAL_ERROR "a plug-in can include a core implementation header (CServicesManagerImpl.h)")
  endif()
  list(LENGTH checked count)
  message(STATUS "Plug-in isolation: ${count} library targets reach nothing of Yol/")
endfunction()
