#include "CMD5.h"

#include <openssl/evp.h>

#include <cstring>

void CMD5::Hash(const void* data, unsigned int length, unsigned char* const digest)
{
    // EVP only fails when the algorithm is unavailable (a FIPS-only provider);
    // callers have no failure path, so they get a digest that matches nothing
    // rather than stale bytes.
    if (EVP_Digest(data, length, digest, nullptr, EVP_md5(), nullptr) != 1)
        std::memset(digest, 0, DigestLength);
}
