# Every library and tool the build uses, looked up once for all the folders. What is missing is named
# by its Debian package in one message, so that one apt-get mends the lot.
macro(need found package)  # FOUND must be true, or PACKAGE is missing
  if(NOT ${found})
    list(APPEND missing ${package})
  endif()
endmacro()
macro(need_program variable program package)  # [find_program options...]
  find_program(${variable} ${program} ${ARGN})
  need(${variable} ${package})
endmacro()
macro(need_package package name)  # [find_package arguments...]
  find_package(${name} ${ARGN} QUIET)
  need(${name}_FOUND ${package})
endmacro()
need_package(libfmt-dev fmt 9)
need_package(nlohmann-json3-dev nlohmann_json 3)
find_path(FAST_FLOAT_INCLUDE_DIR fast_float/fast_float.h)
need(FAST_FLOAT_INCLUDE_DIR libfast-float-dev)
find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp)
need(CLI11_INCLUDE_DIR libcli11-dev)
find_package(Threads REQUIRED)
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)  # librsvg's headers only: brimalox-cli loads the library when a PDF is asked for
  pkg_check_modules(RSVG QUIET librsvg-2.0 cairo-pdf)
endif()
need(RSVG_FOUND librsvg2-dev)
# Debian's Python, where the tests' modules (Selenium, AT-SPI) live, whatever comes first in PATH.
need_program(BRIMALOX_SYSTEM_PYTHON python3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_package(benchmark QUIET)  # only the micro-benchmarks, run by hand, need it
if(BRIMALOX_BUILD_GUI)
  need_package(qt6-base-dev Qt6 COMPONENTS Widgets PrintSupport)
  need_package(qt6-svg-dev Qt6Svg)  # the charts and the sheet are drawn from the command line's SVG
  need_package(qt6-svg-dev Qt6SvgWidgets)
  need_package(qt6-serialport-dev Qt6SerialPort)  # MEASURE WITH THE ANALYSER's port
  find_library(XCB_LIBRARY xcb)  # to tell an X11 window manager that a fixed window cannot be resized
  need(XCB_LIBRARY libxcb1-dev)
endif()
if(BRIMALOX_BUILD_WEB)
  need_program(BRIMALOX_EMXX em++ emscripten)
  need_program(BRIMALOX_EMCC emcc emscripten)
  need_program(BRIMALOX_NODE node nodejs)
  need_program(BRIMALOX_WASM_OPT wasm-opt binaryen)
  need_program(BRIMALOX_ZOPFLI zopfli zopfli)
  # emcc's JavaScript optimiser (which the page's own scripts go through too) runs under Node with
  # acorn, which Debian keeps in a folder of its own.
  find_path(BRIMALOX_NODE_MODULES acorn/package.json PATHS /usr/share/nodejs /usr/lib/nodejs NO_DEFAULT_PATH)
  need(BRIMALOX_NODE_MODULES node-acorn)
  find_file(BRIMALOX_JS_OPTIMIZER acorn-optimizer.js PATHS /usr/share/emscripten/tools /usr/lib/emscripten/tools
            NO_DEFAULT_PATH)
  need(BRIMALOX_JS_OPTIMIZER emscripten)
  find_program(BRIMALOX_NEC2C nec2c)  # what the page's engine is compared with
  need_program(BRIMALOX_RSVG_CONVERT rsvg-convert librsvg2-bin)  # the served edition's icons
endif()
if(BRIMALOX_BUILD_TESTS)
  need_package(libgtest-dev GTest)
  if(BRIMALOX_BUILD_GUI)
    need_package(qt6-base-dev Qt6Test)
  endif()
  need_program(BRIMALOX_CLANG_FORMAT clang-format clang-format)
  # The sheet's SVG and PDF are checked with the tools a person would use.
  need_program(BRIMALOX_XMLLINT xmllint libxml2-utils)
  need_program(BRIMALOX_RSVG_CONVERT rsvg-convert librsvg2-bin)
  need_program(BRIMALOX_PDFTOTEXT pdftotext poppler-utils)
  if(BRIMALOX_BUILD_WEB)
    need(BRIMALOX_NEC2C nec2c)
    need_program(BRIMALOX_CHROMIUM chromium chromium PATHS /usr/lib/chromium /usr/bin NO_DEFAULT_PATH)
    need_program(BRIMALOX_CHROMEDRIVER chromedriver chromium-driver)
    find_path(BRIMALOX_SELENIUM selenium/__init__.py PATHS /usr/lib/python3/dist-packages NO_DEFAULT_PATH)
    need(BRIMALOX_SELENIUM python3-selenium)
    # The page's accessibility checker, from npm (scripts/setup-debian.sh puts it there).
    find_file(BRIMALOX_AXE axe.min.js PATHS /usr/local/share/brimalox-axe/node_modules/axe-core NO_DEFAULT_PATH)
    need(BRIMALOX_AXE "axe-core (from npm)")
    # The page in Safari's engine (WebKitGTK's driver and browser, on Xvfb) and in Firefox ESR (its
    # WebDriver BiDi over a WebSocket).
    need_program(BRIMALOX_WEBKITDRIVER WebKitWebDriver webkit2gtk-driver)
    need_program(BRIMALOX_MINIBROWSER MiniBrowser webkit2gtk-driver
                 PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/webkit2gtk-4.1 NO_DEFAULT_PATH)
    need_program(BRIMALOX_XVFB Xvfb xvfb)
    need_program(BRIMALOX_FIREFOX firefox-esr firefox-esr)
    find_path(BRIMALOX_WEBSOCKETS websockets/__init__.py PATHS /usr/lib/python3/dist-packages NO_DEFAULT_PATH)
    need(BRIMALOX_WEBSOCKETS python3-websockets)
  endif()
endif()
if(missing)
  list(REMOVE_DUPLICATES missing)
  list(JOIN missing ", " missing)
  message(FATAL_ERROR "Missing what the build needs (Debian packages): ${missing}\n./scripts/setup-debian.sh "
                      "installs them all; -DBRIMALOX_BUILD_GUI=OFF leaves out the window, -DBRIMALOX_BUILD_WEB=OFF the page.")
endif()
