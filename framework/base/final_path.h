#pragma once
// Where an open handle really leads. Links are told apart from the real thing by comparing this with the path
// the caller meant, so deletions and checks judge what was opened, not the name it was opened by.
#include <windows.h>

#include <string>

// The path of what `handle` opened, links resolved, without a trailing backslash; empty when it can't be told.
// Systems before Vista lack GetFinalPathNameByHandleW: there the object manager's name of the handle stands in
// ("\Device\HarddiskVolume1\..."), which a junction changes just the same. Compare only paths taken by this
// function, never with a path typed by hand.
std::wstring FinalPathOf(HANDLE handle);

// The same for a path, a link at its end not followed.
std::wstring FinalPathOfPath(const std::wstring& path);

// Which of the two ways FinalPathOf takes. Tests stand in for a system before Vista (ObjectName) or one that
// can tell neither (None); Automatic is what the running system has.
enum class FinalPathSource { Automatic, ObjectName, None };
void SetFinalPathSourceForTests(FinalPathSource source);
