# The HTTP response parser and chunked decoding: whole input and the same bytes in pieces agree.
vocab_fuzz(http_response ${CMAKE_CURRENT_LIST_DIR}/HttpResponseFuzz.cpp plat_http)
