#include "tests/support/CoinMessages.h"

#include <Inventor/errors/SoDebugError.h>
#include <Inventor/errors/SoReadError.h>

namespace {

void collect(const SoError* error, void* messages) {
    static_cast<std::vector<std::string>*>(messages)->push_back(
        error->getDebugString().getString());
}

}  // namespace

// Coin's default handlers take no data.
CoinMessages::CoinMessages()
    : previousDebug(SoDebugError::getHandlerCallback()),
      previousRead(SoReadError::getHandlerCallback()) {
    SoDebugError::setHandlerCallback(collect, &messages);
    SoReadError::setHandlerCallback(collect, &messages);
}

CoinMessages::~CoinMessages() {
    SoDebugError::setHandlerCallback(previousDebug, nullptr);
    SoReadError::setHandlerCallback(previousRead, nullptr);
}
