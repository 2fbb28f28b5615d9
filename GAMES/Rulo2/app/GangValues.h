#pragma once
// The drift of the gang's per-person values after a burglary: crime records
// of known people fade, and the members' skills grow by what they did.

// Known people with a crime record of 0.5 or more lose 5-10 percent of it on
// about half of the calls; every plan member's three skills grow by its
// action counters and its crime record by the growth.
void DriftGangValues();
