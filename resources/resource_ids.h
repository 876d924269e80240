// Numbers of the module's resources shared by the code and pianoroll.rc.
#pragma once

#define IDS_PRODUCT_NAME 10001
