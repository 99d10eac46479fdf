# The page commands look for the mail client's window on the display, and one test
# puts it there: no other suite's windows may come and go meanwhile.
set(suite_uses_display ON)
