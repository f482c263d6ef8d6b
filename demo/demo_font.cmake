# The demonstration's packed font, embedded from demo_font.sf3d at build time.
# Regenerating it needs FreeType and the typeface; building never does.
set(SPRITEFONT_DEMO_FONT_FILE ${CMAKE_CURRENT_LIST_DIR}/demo_font.sf3d)

add_library(spritefont_demo_font STATIC ${CMAKE_CURRENT_LIST_DIR}/demo_font_data.cpp)
target_include_directories(spritefont_demo_font PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(spritefont_demo_font PRIVATE
  DEMO_FONT_FILE="${SPRITEFONT_DEMO_FONT_FILE}")
# The object embeds the file, so it must be rebuilt whenever the file changes.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/demo_font_data.cpp PROPERTIES
  OBJECT_DEPENDS ${SPRITEFONT_DEMO_FONT_FILE})
