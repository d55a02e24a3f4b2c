#include "UnscramblePassword.h"

#include "QorCrypt.h"

namespace crashreport {

std::string UnscramblePassword(const std::string& stored, const std::string& account,
                               const std::string& server)
{
    std::string password = stored;
    qor::DecryptPadded(password, server, kServerPassCounter);
    qor::DecryptPadded(password, account, kAccountPassCounter);
    return password;
}

} // namespace crashreport
