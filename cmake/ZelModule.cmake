# A module is a static, position-independent library of one folder. The
# tests of a folder link the module alone, so that one module can be built
# and tested while another is half written; the shared libraries take every
# module whole.
#
#   zel_module(NAME zel_html LIBRARY ZELUtilU SOURCES ... [DEPS ...])
#
# LIBRARY is ZELCommonU (platform base, strings, values, common services),
# ZELFileU (the file-document base) or ZELUtilU (the classes and their
# stand-ins). A module of ZELUtilU names ZELCommonU (and ZELFileU) in DEPS,
# never the modules inside them: a static copy of the platform base inside
# ZELUtilU would give the process two last-error slots and two apartments.
function(zel_module)
  cmake_parse_arguments(M "" "NAME;LIBRARY" "SOURCES;DEPS" ${ARGN})
  add_library(${M_NAME} STATIC ${M_SOURCES})
  target_include_directories(${M_NAME} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/common>)
  target_compile_features(${M_NAME} PUBLIC cxx_std_17)
  target_compile_definitions(${M_NAME} PRIVATE ZEL_BUILDING_LIBRARY)
  if(M_DEPS)
    target_link_libraries(${M_NAME} PUBLIC ${M_DEPS})
  endif()
  set_property(GLOBAL APPEND PROPERTY ZEL_MODULES_${M_LIBRARY} ${M_NAME})
endfunction()

function(zel_shared NAME)
  cmake_parse_arguments(S "" "" "LINKS" ${ARGN})
  get_property(mods GLOBAL PROPERTY ZEL_MODULES_${NAME})
  add_library(${NAME} SHARED ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  set_target_properties(${NAME} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  target_compile_features(${NAME} PUBLIC cxx_std_17)
  foreach(m ${mods})
    # the module's objects, and the outside libraries it names
    target_sources(${NAME} PRIVATE $<TARGET_OBJECTS:${m}>)
    get_target_property(deps ${m} INTERFACE_LINK_LIBRARIES)
    foreach(d ${deps})
      if(d AND NOT d MATCHES "^zel_" AND NOT "${d}" STREQUAL "${NAME}")
        target_link_libraries(${NAME} PRIVATE ${d})
      endif()
    endforeach()
  endforeach()
  target_include_directories(${NAME} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/common>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/ZELUtilU>)
  if(S_LINKS)
    target_link_libraries(${NAME} PUBLIC ${S_LINKS})
  endif()
  # A library whose own code calls only C++ runtime and sibling functions
  # would otherwise not name the C library, which Debian requires.
  target_link_libraries(${NAME} PRIVATE "-Wl,--push-state,--no-as-needed" "-l:libc.so.6" "-Wl,--pop-state")
endfunction()

# ZEL_EXPORT is one macro for all three libraries: on this platform
# exporting and importing are the same attribute.
function(zel_assemble_libraries)
  zel_shared(ZELCommonU LINKS Threads::Threads)
  include(GenerateExportHeader)
  generate_export_header(ZELCommonU BASE_NAME ZEL EXPORT_MACRO_NAME ZEL_EXPORT
    EXPORT_FILE_NAME ${PROJECT_BINARY_DIR}/include/ZELExport.h)
  zel_shared(ZELFileU LINKS ZELCommonU)
  zel_shared(ZELUtilU LINKS ZELCommonU ZELFileU)
endfunction()
