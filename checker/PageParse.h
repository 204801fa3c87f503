#pragma once
// The seam between the crawl engine and the page link extraction: the
// function the engine calls when a link's content is at hand (a downloaded
// page, a local file or folder, an FTP listing) so that the references found
// in it become new links one level below it.
//
// The engine calls it on its own thread, or on a view's thread for a
// command, with the engine lock held once through `lock`. The parser may
// unlock and lock it again around the parsing itself (the lock is held once,
// so unlocking really releases it); it must hold it again whenever it
// touches the link table, the node or its URL record, and on return. New
// links enter the table through CLinkChecker::AppendNode with the lock held.

#include "platform/core/CriticalSection.h"

#include <mutex>

class CLinkChecker;
class CLinkNode;

// The engine lock as the engine hands it down.
using CEngineLock = std::unique_lock<CCriticalSection>;

using PageParseFunction = void (*)(CLinkChecker& engine, CLinkNode& node, CEngineLock& lock);

// The program's page-parse function: the page link extraction (CPageParser)
// run against the engine.
void ParseEnginePage(CLinkChecker& engine, CLinkNode& node, CEngineLock& lock);
