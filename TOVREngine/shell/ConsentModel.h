#pragma once

#include <functional>

namespace tovr {

class KeyValueStoring;

namespace ConsentModel {

// "Continue": stores the consent flag, lets the root open the app, then queues
// "consent_given", so the flag is stored before anything else happens.
void accept(KeyValueStoring& userDefaults, const std::function<void()>& onContinue);

} // namespace ConsentModel

} // namespace tovr
