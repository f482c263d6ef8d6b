# Installs the engine and the SDL2 platform as one CMake package:
#   find_package(SpriteFont REQUIRED)
#   target_link_libraries(app PRIVATE SpriteFont::platform)   # or SpriteFont::engine alone
#   target_link_libraries(app PRIVATE SpriteFont::bmfont)     # LoadBMFont
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(spritefont_include_dir ${CMAKE_INSTALL_INCLUDEDIR}/spritefont)
set(spritefont_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/SpriteFont)

target_include_directories(spritefont_platform PUBLIC $<INSTALL_INTERFACE:${spritefont_include_dir}>)
target_include_directories(spritefont_png PUBLIC $<INSTALL_INTERFACE:${spritefont_include_dir}>)
set_target_properties(spritefont_engine PROPERTIES EXPORT_NAME engine
                      PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/engine/sprite_font.h)
set_target_properties(spritefont_platform PROPERTIES EXPORT_NAME platform)
set_target_properties(spritefont_png PROPERTIES EXPORT_NAME png)

# BMFont fonts at run time (LoadBMFont), where libpng is found.
set(spritefont_installed spritefont_engine spritefont_png spritefont_platform)
if(TARGET spritefont_bmfont)
  target_include_directories(spritefont_bmfont PUBLIC $<INSTALL_INTERFACE:${spritefont_include_dir}>)
  list(APPEND spritefont_installed spritefont_bmfont)
endif()
install(TARGETS ${spritefont_installed} EXPORT SpriteFontTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        PUBLIC_HEADER DESTINATION ${spritefont_include_dir})
install(FILES
          ${PROJECT_SOURCE_DIR}/engine/packed_format.h
          ${PROJECT_SOURCE_DIR}/engine/sprite3d_geometry.h
          ${PROJECT_SOURCE_DIR}/platform/platform.h
          ${PROJECT_SOURCE_DIR}/platform/png_codec.h
          ${PROJECT_SOURCE_DIR}/platform/sdl_renderer_screen.h
        DESTINATION ${spritefont_include_dir})
# The demonstration's font, so that programs have one to start with.
install(FILES ${PROJECT_SOURCE_DIR}/demo/demo_font.sf3d DESTINATION ${CMAKE_INSTALL_DATADIR}/spritefont)
foreach(tool spritefont_make spritefont_inspect spritefont_capture)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(EXPORT SpriteFontTargets NAMESPACE SpriteFont:: DESTINATION ${spritefont_cmake_dir})

set(SPRITEFONT_DEMO_FONT_INSTALLED ${CMAKE_INSTALL_DATADIR}/spritefont/demo_font.sf3d)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/SpriteFontConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/SpriteFontConfig.cmake
                              INSTALL_DESTINATION ${spritefont_cmake_dir}
                              PATH_VARS SPRITEFONT_DEMO_FONT_INSTALLED)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SpriteFontConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SpriteFontConfig.cmake ${PROJECT_BINARY_DIR}/SpriteFontConfigVersion.cmake
        DESTINATION ${spritefont_cmake_dir})
