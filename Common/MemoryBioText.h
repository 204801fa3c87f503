#pragma once

#include <functional>
#include <string>

struct bio_st;

// The text that print writes into a fresh OpenSSL memory BIO, or empty when
// the BIO cannot be made or print reports failure (returns false).
std::string MemoryBioText(const std::function<bool(bio_st*)>& print);
