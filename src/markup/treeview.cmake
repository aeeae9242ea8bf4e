# Sources of the markup tree view: target_sources(markup PRIVATE ...).
target_sources(markup PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/markuptreebase.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreebase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeshared.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeshared.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TreeContent.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeview.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuptreenode.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreeload.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuptreedelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/markuptreedelegate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/markuphintwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/markuphintwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GlyphStyles.h
    ${CMAKE_CURRENT_LIST_DIR}/GlyphStyles.cpp)
