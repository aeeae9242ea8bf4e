#include "app/Roster.h"

TRoster& Roster() {
    static TRoster roster;
    return roster;
}
