#include "preferences.h"

rPreference Preferences;

void InitPreferences()
{
    Preferences = rPreference{};
}
