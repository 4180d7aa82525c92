# Unity builds: most of the compile time of a source here goes into reading
# the same headers again (the standard library, Wine's headers, the class
# library, the library's own), so each library and test executable is
# compiled as batches of its sources, each batch one translation unit. That
# halves the time of a build from scratch.
#
# Names local to a source (an anonymous namespace, a static function) must
# then be unique within its batch, and sources of one batch must be able to
# include each other's headers. A source that cannot be batched with others
# is listed below and compiled on its own: a build error such as
# "redefinition of '{anonymous}::Name'" in a unity_N_cxx.cxx file names the
# source to rename the clashing name in, or to add here.
option(TOVANI_UNITY_BUILD "Compile sources in batches (unity build)" ON)
set(TOVANI_UNITY_BATCH 8)

# Targets compiled source by source: the program's windows and their tests mix the
# grid's and the editors' headers, whose enumerations share names.
set(TOVANI_UNITY_SKIP_TARGETS app app_tests)
# Sources compiled on their own (paths from the top folder).
set(TOVANI_UNITY_SKIP
  cxbase/dxOffice11.cpp
  cxbase/tests/cxControlsServicesTest.cpp
  cxbase/tests/cxLookAndFeelsTest.cpp
  cxdata/cxDBDataDetails.cpp
  cxdata/cxDBDataFilter.cpp
  cxdata/cxDBDataProvider.cpp
  cxdata/cxVariants.cpp
  cxdata/tests/cxVariantsTest.cpp
  cxedit/cxDateUtilsCalendars.cpp
  cxedit/cxStandardMask.cpp
  cxedit/tests/DateUtilsTest.cpp
  cxedit/tests/DropDownEditTest.cpp
  cxedit/tests/FormatControllerTest.cpp
  cxeditors/tests/DateEditTest.cpp
  dbtree/dxdbtrel.cpp
  platform/classes/FormFile.cpp
  platform/classes/Streaming.cpp
  platform/classes/TypInfo.cpp
  platform/classes/tests/StreamingTest.cpp
  platform/db/Fields.cpp
  platform/rtl/SysUtils.cpp
  platform/vcl/tests/ThemesTest.cpp
  report/frxClassMemo.cpp
  report/frxClassPages.cpp
  report/frxDsgnIntf.cpp
  report/frxGraphicUtils.cpp
  report/tests/frxXMLTest.cpp
  reportengine/frxPrinter.cpp
  reportengine/tests/frxPreviewTest.cpp
  reportengine/tests/frxPrinterTest.cpp
  script/fs_icpp.cpp
  script/fs_idialogsrtti.cpp
  script/fs_iformsrtti.cpp
  script/fs_igraphicsrtti.cpp
  script/fs_iiltranslate.cpp
  script/fs_iinirtti.cpp
  script/fs_ijs.cpp
  script/tests/LimitsTest.cpp
)

# tovani_unity_build(target sources...)
function(tovani_unity_build target)
  if(NOT TOVANI_UNITY_BUILD OR target IN_LIST TOVANI_UNITY_SKIP_TARGETS)
    return()
  endif()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${TOVANI_UNITY_BATCH})
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${CMAKE_SOURCE_DIR}/cmake/UnityPrefix.h>")
  foreach(src IN LISTS ARGN)
    get_filename_component(abs ${src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${abs})
    if(rel IN_LIST TOVANI_UNITY_SKIP)
      set_source_files_properties(${src} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
endfunction()
