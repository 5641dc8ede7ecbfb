# The portable engine's sources, one list per concern, for every tree that
# builds fluxcore (desktop, web). A new file is one more line here. Paths are
# absolute so that any CMake file may include this one.
set(_here ${CMAKE_CURRENT_LIST_DIR})

set(FLUXCORE_PORTABLE_SOURCES
  # core: the engine instance, failures, log, clock, keys, timeline
  ${_here}/core/clock.cpp
  ${_here}/core/controls.cpp
  ${_here}/core/engine.cpp
  ${_here}/core/failure.cpp
  ${_here}/core/log.cpp
  ${_here}/core/timeline.cpp
  # classes: the public classes' code (Base, Vector and Matrix, curves, Texture)
  ${_here}/classes/base.cpp
  ${_here}/classes/curve_segments.cpp
  ${_here}/classes/math.cpp
  ${_here}/classes/texture.cpp
  # dms: the dms* operations, one file per group
  ${_here}/dms/dms_assets.cpp
  ${_here}/dms/dms_clock.cpp
  ${_here}/dms/dms_projection.cpp
  ${_here}/dms/dms_startup.cpp
  ${_here}/dms/dms_timeline.cpp
  ${_here}/dms/dms_window.cpp
  # graphics: cached GL state, textures, the full-screen picture, font sheets
  ${_here}/graphics/gl_state.cpp
  ${_here}/graphics/measure_font_sheet.cpp
  ${_here}/graphics/offscreen_picture.cpp
  ${_here}/graphics/texture_store.cpp
  ${_here}/graphics/texture_upload.cpp
  # data: the archive and its ZIP reader, inflate, picture formats and decoder
  ${_here}/data/archive.cpp
  ${_here}/data/inflate.cpp
  ${_here}/data/picture_decoder.cpp
  ${_here}/data/picture_format.cpp
  ${_here}/data/zip_archive.cpp
  # audio: the music operations over the platform's song
  ${_here}/audio/audio.cpp
)

# The engine's own song player (the decoder thread, the mixer): for
# platforms that play PCM through a device of their own
# (platform::openPcmDevice). It needs one of the Vorbis decoders below.
set(FLUXCORE_SONG_PLAYER_SOURCES
  ${_here}/audio/frame_ring.cpp
  ${_here}/audio/song_decoder.cpp
  ${_here}/audio/song_mixer.cpp
  ${_here}/audio/song_player.cpp
)
# VorbisStream on libvorbisfile (the Linux tree), or on stb_vorbis (trees
# without libvorbis: Windows); the latter needs libstb-dev's folder
# (/usr/include/stb) on the include path.
set(FLUXCORE_VORBIS_LIBVORBIS_SOURCES ${_here}/audio/vorbis_stream_libvorbis.cpp)
set(FLUXCORE_VORBIS_STB_SOURCES ${_here}/audio/vorbis_stream_stb.cpp)
unset(_here)
