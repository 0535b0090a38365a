#include "app/Application.h"

int main(int ArgumentCount, char* Arguments[]) {
  char FallbackPath[] = "kvetro";
  return kvetro::RunApplication(ArgumentCount > 0 ? Arguments[0] : FallbackPath);
}
