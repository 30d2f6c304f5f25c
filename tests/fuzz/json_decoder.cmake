# The JSON decoder over arbitrary bytes, with every option set, and the encoder over what it gives.
vocab_fuzz(json_decoder ${CMAKE_CURRENT_LIST_DIR}/JsonDecoderFuzz.cpp vocab_json)
