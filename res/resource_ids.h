// Resource ids shared by kavo.rc and the program.
#pragma once

#define IDI_KAVO 101
