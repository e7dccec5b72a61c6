// The whole framework in one include.
#pragma once

#include "afxdefs.h"
#include "afxstring.h"
#include "cmdtarget.h"
#include "cmdui.h"
#include "critsec.h"
#include "framewnd.h"
#include "gdiguards.h"
#include "handle.h"
#include "msgbox.h"
#include "object.h"
#include "view.h"
#include "winapp.h"
#include "winthread.h"
#include "wnd.h"
#include "wndclass.h"
