# URL parsing and resolution: every printed URL parses again to the same parts.
vocab_fuzz(url ${CMAKE_CURRENT_LIST_DIR}/UrlFuzz.cpp plat_http)
