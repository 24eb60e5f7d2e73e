#include "PrintedMailOutbox.h"

void PrintedMailOutbox::Send(const std::string& to, const std::string& subject,
                             const std::string& body) {
    std::scoped_lock lock(mutex_);
    out_ << "----- mail -----\nTo: " << to << "\nSubject: " << subject << "\n\n"
         << body << "\n----- end of mail -----" << std::endl;
}
