# The web page (emcmake cmake): the WebGL back end, the page's glue and the static files,
# gathered in ${CMAKE_BINARY_DIR}/page: a folder any web server can serve as it is.

add_library(weissenberg_webgl STATIC src/render/webgl/webgl_renderer.cpp)
target_link_libraries(weissenberg_webgl PUBLIC weissenberg_core)

set(WEB_PAGE_DIR ${CMAKE_BINARY_DIR}/page)
set(WEB_PAGE_FILES index.html page.js style.css)

add_executable(weissenberg_web
  src/platform/web/web_main.cpp
  src/platform/web/web_page.cpp
)
target_link_libraries(weissenberg_web PRIVATE weissenberg_webgl)
set_target_properties(weissenberg_web PROPERTIES OUTPUT_NAME weissenberg RUNTIME_OUTPUT_DIRECTORY ${WEB_PAGE_DIR})
target_link_options(weissenberg_web PRIVATE
  -sENVIRONMENT=web
  -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=2
  # CIF files chosen on the page are written into the in-memory file system and read by gemmi.
  -sFORCE_FILESYSTEM=1
  "-sEXPORTED_RUNTIME_METHODS=['FS','ccall','UTF8ToString']"
)

# The page's own files beside the program, copied whenever they change.
foreach(file ${WEB_PAGE_FILES})
  add_custom_command(OUTPUT ${WEB_PAGE_DIR}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/web/${file} ${WEB_PAGE_DIR}/${file}
    DEPENDS ${CMAKE_SOURCE_DIR}/web/${file})
  list(APPEND WEB_PAGE_OUTPUTS ${WEB_PAGE_DIR}/${file})
endforeach()
add_custom_target(weissenberg_page ALL DEPENDS ${WEB_PAGE_OUTPUTS} weissenberg_web)
