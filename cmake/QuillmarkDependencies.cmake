# System libraries, found once so the whole dependency set is settled here.
# Their headers are included only below platform/.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(QM_FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswresample libavutil)
pkg_check_modules(QM_CDIO REQUIRED IMPORTED_TARGET libcdio libcdio_paranoia libcdio_cdda)
pkg_check_modules(QM_BURN REQUIRED IMPORTED_TARGET libburn-1)
pkg_check_modules(QM_UDEV REQUIRED IMPORTED_TARGET libudev)
pkg_check_modules(QM_FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(QM_X11 REQUIRED IMPORTED_TARGET x11)
pkg_check_modules(QM_JUCE_DEPS REQUIRED IMPORTED_TARGET
  flac vorbis vorbisenc vorbisfile ogg zlib libpng libjpeg alsa freetype2 fontconfig)

# LAME ships no pkg-config file.
find_path(QM_LAME_INCLUDE_DIR lame/lame.h REQUIRED)
find_library(QM_LAME_LIBRARY mp3lame REQUIRED)

add_library(qm::ffmpeg ALIAS PkgConfig::QM_FFMPEG)
add_library(qm::cdio ALIAS PkgConfig::QM_CDIO)
add_library(qm::burn ALIAS PkgConfig::QM_BURN)
add_library(qm::udev ALIAS PkgConfig::QM_UDEV)
add_library(qm::fontconfig ALIAS PkgConfig::QM_FONTCONFIG)
add_library(qm::x11 ALIAS PkgConfig::QM_X11)
add_library(qm_lame INTERFACE)
target_include_directories(qm_lame SYSTEM INTERFACE ${QM_LAME_INCLUDE_DIR})
target_link_libraries(qm_lame INTERFACE ${QM_LAME_LIBRARY})
add_library(qm::lame ALIAS qm_lame)
