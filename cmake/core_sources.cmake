# core_sources.cmake -- the game's core: everything but the platform backends and the mains. The
# game, the web page and the fuzzer all build it, from this one list.
set(CRATERDUEL_CORE_SOURCES
  src/platform/canvas.cpp
  src/platform/canvas_image.cpp
  src/platform/clock.cpp
  src/platform/console.cpp
  src/platform/convert.cpp
  src/platform/font.cpp
  src/platform/input.cpp
  src/platform/random.cpp
  src/platform/retrace.cpp
  src/platform/rect_list.cpp
  src/arena/grid.cpp
  src/arena/layer.cpp
  src/combat/bullet.cpp
  src/combat/fighter.cpp
  src/shell/frame.cpp
  src/shell/options.cpp
  src/shell/startup.cpp
)
list(TRANSFORM CRATERDUEL_CORE_SOURCES PREPEND "${CMAKE_CURRENT_LIST_DIR}/../")
