// A stand-in for a password where a login must be told apart from another without the password
// being kept: two texts are equal exactly when the passwords are (within one run of the program).
// Keyed with a secret drawn once per process, so the text says nothing about the password to
// anyone who reads it.
#pragma once

#include <string>

namespace plat::http {

std::string loginDigest(const std::string& password);

}  // namespace plat::http
