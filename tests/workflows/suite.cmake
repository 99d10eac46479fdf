# The page commands look for the mail client's window on the display, and one test
# puts it there: no other suite's windows may come and go meanwhile.
set(suite_uses_display ON)
# On Windows every world puts its containers into the one documents folder the shell
# names: the suite's tests run one at a time there.
if(WIN32)
  set(suite_run_alone ON)
endif()
