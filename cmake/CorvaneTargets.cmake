# Core code never sees a widget header: core targets get a poisoned QtWidgets include first in
# their search path, so `#include <QtWidgets/...>` fails to compile there.
set(CORVANE_NO_WIDGETS_DIR ${CMAKE_CURRENT_LIST_DIR}/no-widgets)

# corvane_core_library(NAME SOURCES...): one subsystem's window-free code.
function(corvane_core_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} BEFORE PRIVATE ${CORVANE_NO_WIDGETS_DIR})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui)
    target_link_libraries(corvane_core INTERFACE ${name})
endfunction()

# corvane_gtest(NAME SOURCES... LIBS libs...): a GoogleTest program registered with CTest.
function(corvane_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE CORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    if(TARGET MotrixAPI)
        target_compile_definitions(${name} PRIVATE CORVANE_SIM_LIBRARY="$<TARGET_FILE:MotrixAPI>")
        add_dependencies(${name} MotrixAPI)
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# corvane_subsystem(NAME): builds one src/ folder. Windows and widgets (files named TForm*
# or *Widget*, and every .ui file) go into corvane_ui; everything else into the subsystem's
# window-free core library corvane_NAME.
function(corvane_subsystem name)
    file(GLOB all_sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
    set(core_sources)
    set(ui_sources)
    foreach(source ${all_sources})
        get_filename_component(file_name ${source} NAME)
        if(file_name STREQUAL "main.cpp")
            continue()  # the program's entry point, built by src/CMakeLists.txt
        elseif(file_name MATCHES "^TForm" OR file_name MATCHES "Widget" OR file_name MATCHES "\\.ui$")
            list(APPEND ui_sources ${source})
        else()
            list(APPEND core_sources ${source})
        endif()
    endforeach()
    if(NOT core_sources AND NOT ui_sources)
        return()
    endif()
    corvane_core_library(corvane_${name} ${core_sources})
    set_target_properties(corvane_${name} PROPERTIES LINKER_LANGUAGE CXX)
    if(ui_sources)
        target_sources(corvane_ui PRIVATE ${ui_sources})
    endif()
endfunction()

# corvane_embed_demo(TARGET): the demo project (demo/) inside TARGET as the resource ":/demo",
# which a first start installs.
function(corvane_embed_demo target)
    file(GLOB_RECURSE demo_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/demo/*)
    list(FILTER demo_files EXCLUDE REGEX "/(README\\.md|\\.gitattributes)$")
    if(demo_files)
        qt_add_resources(${target} "demo" PREFIX "/demo" BASE ${PROJECT_SOURCE_DIR}/demo
                         FILES ${demo_files})
    endif()
endfunction()
