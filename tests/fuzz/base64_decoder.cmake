# The Base64 decoders over arbitrary bytes.
vocab_fuzz(base64_decoder ${CMAKE_CURRENT_LIST_DIR}/Base64DecoderFuzz.cpp vocab_json)
