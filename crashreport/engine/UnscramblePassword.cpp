#include "UnscramblePassword.h"

#include "QorCrypt.h"

namespace qor {

std::string UnscramblePassword(const std::string& stored, const std::string& account,
                               const std::string& server)
{
    std::string password = stored;
    DecryptPadded(password, server, kServerPassCounter);
    DecryptPadded(password, account, kAccountPassCounter);
    return password;
}

} // namespace qor
