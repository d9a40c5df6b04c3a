# JUCE 7.0.5 from Debian, compiled once into one static library that the
# application and every test executable link. The module targets are INTERFACE
# libraries that would add their sources to every consumer, so they are linked
# privately here and their include directories and definitions re-exported.
find_package(JUCE 7.0.5 CONFIG REQUIRED)

add_library(quillmark_juce STATIC)
target_link_libraries(quillmark_juce
  PRIVATE
    juce::juce_core juce::juce_events juce::juce_data_structures
    juce::juce_graphics juce::juce_gui_basics juce::juce_gui_extra
    juce::juce_audio_basics juce::juce_audio_devices juce::juce_audio_formats
    juce::juce_audio_utils juce::juce_audio_processors
  PUBLIC
    PkgConfig::QM_JUCE_DEPS Threads::Threads ${CMAKE_DL_LIBS})

target_compile_definitions(quillmark_juce
  PUBLIC
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=1
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_JACK=1
    JUCE_ALSA=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_USE_CDREADER=0
    JUCE_USE_CDBURNER=0
    JUCE_PLUGINHOST_VST3=0
    JUCE_PLUGINHOST_LADSPA=0
    JUCE_PLUGINHOST_LV2=0
    $<IF:$<CONFIG:Debug>,DEBUG=1 _DEBUG=1,NDEBUG=1>)

target_include_directories(quillmark_juce SYSTEM INTERFACE
  $<TARGET_PROPERTY:quillmark_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions(quillmark_juce INTERFACE
  $<TARGET_PROPERTY:quillmark_juce,COMPILE_DEFINITIONS>)
set_target_properties(quillmark_juce PROPERTIES
  C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden)
# JUCE's own headers warn under GCC 12; its code is never built with -Werror.
target_compile_options(quillmark_juce PRIVATE -w)

# In sanitizer builds JUCE itself stays uninstrumented and without debug info:
# the sanitizers watch the project's own code, and the framework's single-file
# modules would otherwise dominate every clean build.
if(QM_SANITIZE OR QM_TSAN)
  target_compile_options(quillmark_juce PRIVATE -fno-sanitize=all -g0)
endif()
