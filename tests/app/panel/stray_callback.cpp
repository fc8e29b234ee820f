// Callbacks that korvane.uir does not name: one with C++ linkage (defined
// without the written header's prototype), one declared by hand with C
// linkage, and one function that is no callback. The callback check must
// name the first two only.
extern "C" int door_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

int stray_cb(int, int, int, void *, int, int) { return 0; }
extern "C" int door_CB(int, int, int, void *, int, int) { return 0; }
int stray_helper(int x) { return x; }
int mask_cb(int, int, int, void *, int, int) { return 0; }
