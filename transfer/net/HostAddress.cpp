#include "transfer/net/HostAddress.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

uint32_t ParseDottedQuad(const char* text)
{
    if (!text || !*text)
        return kNoAddress;
    unsigned char bytes[4] = {0, 0, 0, 0};
    int part = 0;
    unsigned value = 0;
    for (const char* p = text; *p; ++p)
    {
        if (*p >= '0' && *p <= '9')
        {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (value > 255)
                return kNoAddress;
        }
        else if (*p == '.')
        {
            bytes[part] = static_cast<unsigned char>(value);
            value = 0;
            if (++part == 4)
                break; // the '.' after the fourth part ends the address
        }
        else
            return kNoAddress;
    }
    if (part < 4)
        bytes[part] = static_cast<unsigned char>(value);
    uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address == 0 ? kNoAddress : address;
}

bool IsDottedQuad(const char* text)
{
    return ParseDottedQuad(text) != kNoAddress;
}

bool ResolveHost(const char* name, uint32_t* address)
{
    uint32_t found = ParseDottedQuad(name);
    if (found == kNoAddress)
    {
        found = 0;
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* answers = nullptr;
        if (name && *name && ::getaddrinfo(name, nullptr, &hints, &answers) == 0 && answers)
        {
            for (const addrinfo* a = answers; a; a = a->ai_next)
            {
                if (a->ai_family == AF_INET && a->ai_addr)
                {
                    found = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
                    break;
                }
            }
        }
        if (answers)
            ::freeaddrinfo(answers);
    }
    if (address)
        *address = found;
    return found != 0 && found != kNoAddress;
}

std::string FormatIPv4(uint32_t address)
{
    in_addr in{};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in, text, sizeof text);
    return text;
}
