#pragma once

#include <Inventor/errors/SoError.h>

#include <string>
#include <vector>

// Collects Coin's debug and read error texts posted while it lives, in place
// of the handlers it found, which it puts back at its end.
struct CoinMessages {
    CoinMessages();
    ~CoinMessages();
    CoinMessages(const CoinMessages&) = delete;
    CoinMessages& operator=(const CoinMessages&) = delete;

    std::vector<std::string> messages;

private:
    SoErrorCB* previousDebug;
    SoErrorCB* previousRead;
};
