# Set-Cookie parsing: cookies only for the answering host, never a crash.
vocab_fuzz(set_cookie ${CMAKE_CURRENT_LIST_DIR}/SetCookieFuzz.cpp plat_http)
