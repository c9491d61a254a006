#include "CSHA1.h"

#include <openssl/evp.h>

#include <cstring>

void CSHA1::Hash(const void* data, unsigned int length, unsigned char* const digest)
{
    // See CMD5::Hash: no failure path for callers, so never leave stale bytes.
    if (EVP_Digest(data, length, digest, nullptr, EVP_sha1(), nullptr) != 1)
        std::memset(digest, 0, DigestLength);
}
