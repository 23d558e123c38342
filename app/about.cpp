// The About tab's links: the blog label and the six pictures each open one fixed page.
#include "app/build_config.h"
#include "app/unit1.h"

namespace tiramon {
namespace {
void Open(const Environment& environment, const std::string& url) {
  if (environment.openWebPage) environment.openWebPage(url);
}
}  // namespace

void TForm1::lbl30Click() { Open(environment, build::kBlogUrl); }
void TForm1::Image1Click() { Open(environment, Image1.url); }
void TForm1::Image2Click() { Open(environment, Image2.url); }
void TForm1::Image3Click() { Open(environment, Image3.url); }
void TForm1::Image4Click() { Open(environment, Image4.url); }
void TForm1::Image5Click() { Open(environment, Image5.url); }
void TForm1::Image6Click() { Open(environment, Image6.url); }

}  // namespace tiramon
