#include "homepage/home_page.h"

#include "homepage/address_cipher.h"

void OpenHomePage(Platform& platform) {
  platform.Launch(kShellPrefix + DecipherText(HOME_PAGE_TEXT, HOME_PAGE_KEY));
}
