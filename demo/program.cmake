# The demonstration program and the frame function it shares with the
# capture tool and the tests.
add_library(spritefont_frame STATIC ${CMAKE_CURRENT_LIST_DIR}/frame.cpp)
target_include_directories(spritefont_frame PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(spritefont_frame PUBLIC spritefont_platform spritefont_showcase)

# The start-up sequence, shared by the program, the tools, benchmarks and tests.
add_library(spritefont_startup STATIC ${CMAKE_CURRENT_LIST_DIR}/startup.cpp)
target_include_directories(spritefont_startup PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(spritefont_startup PUBLIC spritefont_frame PRIVATE spritefont_demo_font)

add_executable(spritefont_demo ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(spritefont_demo PRIVATE spritefont_startup)
