# One interface target carries the language level, warnings and Qt strictness,
# so every library, tool and test is built the same way.
add_library(keyloom_options INTERFACE)
target_compile_features(keyloom_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
if(MSVC)
  target_compile_options(keyloom_options INTERFACE /W4 /WX /utf-8)
else()
  target_compile_options(keyloom_options INTERFACE -Wall -Wextra -Wpedantic -Werror)
endif()
target_compile_definitions(keyloom_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

set(KEYLOOM_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined")
if(KEYLOOM_SANITIZE)
  target_compile_options(keyloom_options INTERFACE
    -fsanitize=${KEYLOOM_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(keyloom_options INTERFACE -fsanitize=${KEYLOOM_SANITIZE})
endif()
