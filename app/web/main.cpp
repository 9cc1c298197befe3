#include "ui/web/form1.h"

// The page has painted Form1 already; the program makes it live and returns to the browser, which
// calls the commands as the buttons are pressed.
int main() {
  web::ShowForm1();
  return 0;
}
