#pragma once

#include <QString>

namespace tovr {

class AppNavigation;

// The welcome screen's two actions.
namespace WelcomeModel {

// The primary button: opens the running product's flow.
void start(AppNavigation& navigation);
// The goal prompt's answer: the goal is stored first, then the Java diagnosis opens,
// whatever the product's flow.
void answerGoal(AppNavigation& navigation, const QString& goalKey);

} // namespace WelcomeModel

} // namespace tovr
