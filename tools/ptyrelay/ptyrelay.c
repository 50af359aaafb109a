/*
 * ptyrelay DIR COUNT: the serial cables of the simulated modems.
 *
 * For each k in 1..COUNT it makes two pseudo-terminals, linked as
 * DIR/console<k> (the end the console opens as its COM port) and DIR/modem<k>
 * (the end the modem simulator opens), and copies bytes between them.
 *
 * A modem fixed at one baud rate is modelled here, because only this side can
 * see the rate the console set on its end: when DIR/modem<k>.baud holds a
 * non-zero rate, bytes pass only while the console's end is set to that rate
 * (a modem at another rate hears, and sends, only noise).
 *
 * Runs until killed; writes its pid to DIR/ptyrelay.pid.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#define MAX_PAIRS 16

struct cable {
  int console_fd;
  int modem_fd;
  char baud_file[4096];
};

static speed_t speed_of(unsigned rate) {
  switch (rate) {
    case 2400: return B2400;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
  }
}

/* True when the console's end is at the rate the modem expects, or no rate is fixed. */
static int rates_match(const struct cable *c) {
  FILE *f = fopen(c->baud_file, "r");
  if (!f) return 1;
  unsigned rate = 0;
  int n = fscanf(f, "%u", &rate);
  fclose(f);
  if (n != 1 || rate == 0) return 1;
  struct termios t;
  if (tcgetattr(c->console_fd, &t) != 0) return 1;
  return cfgetospeed(&t) == speed_of(rate);
}

static int open_end(const char *link_path) {
  int master, slave;
  char name[256];
  if (openpty(&master, &slave, name, NULL, NULL) != 0) return -1;
  struct termios t;
  tcgetattr(slave, &t);
  cfmakeraw(&t);
  tcsetattr(slave, TCSANOW, &t);
  unlink(link_path);
  if (symlink(name, link_path) != 0) return -1;
  /* The slave stays open so the pair survives while nobody has it open. */
  fcntl(master, F_SETFL, O_NONBLOCK);
  return master;
}

static void copy(int from, int to, int pass) {
  char buffer[4096];
  ssize_t n = read(from, buffer, sizeof buffer);
  if (n <= 0 || !pass) return;
  ssize_t off = 0;
  while (off < n) {
    ssize_t w = write(to, buffer + off, (size_t)(n - off));
    if (w < 0) {
      if (errno == EAGAIN) { usleep(1000); continue; }
      return;
    }
    off += w;
  }
}

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: ptyrelay DIR COUNT\n");
    return 2;
  }
  const char *dir = argv[1];
  int count = atoi(argv[2]);
  if (count < 1 || count > MAX_PAIRS) return 2;
  signal(SIGPIPE, SIG_IGN);
  struct cable cables[MAX_PAIRS];
  for (int k = 0; k < count; ++k) {
    char path[4096];
    snprintf(path, sizeof path, "%s/console%d", dir, k + 1);
    cables[k].console_fd = open_end(path);
    snprintf(path, sizeof path, "%s/modem%d", dir, k + 1);
    cables[k].modem_fd = open_end(path);
    snprintf(cables[k].baud_file, sizeof cables[k].baud_file, "%s/modem%d.baud", dir, k + 1);
    if (cables[k].console_fd < 0 || cables[k].modem_fd < 0) {
      perror("ptyrelay");
      return 1;
    }
  }
  char pid_path[4096];
  snprintf(pid_path, sizeof pid_path, "%s/ptyrelay.pid", dir);
  FILE *pid = fopen(pid_path, "w");
  if (pid) {
    fprintf(pid, "%d\n", (int)getpid());
    fclose(pid);
  }
  struct pollfd fds[2 * MAX_PAIRS];
  for (;;) {
    for (int k = 0; k < count; ++k) {
      fds[2 * k].fd = cables[k].console_fd;
      fds[2 * k].events = POLLIN;
      fds[2 * k + 1].fd = cables[k].modem_fd;
      fds[2 * k + 1].events = POLLIN;
    }
    if (poll(fds, (nfds_t)(2 * count), 1000) < 0 && errno != EINTR) return 1;
    for (int k = 0; k < count; ++k) {
      /* A closed far end shows as POLLHUP until reopened: wait, do not spin. */
      int hup = 0;
      if (fds[2 * k].revents & POLLIN) copy(cables[k].console_fd, cables[k].modem_fd, rates_match(&cables[k]));
      else if (fds[2 * k].revents & POLLHUP) hup = 1;
      if (fds[2 * k + 1].revents & POLLIN) copy(cables[k].modem_fd, cables[k].console_fd, rates_match(&cables[k]));
      else if (fds[2 * k + 1].revents & POLLHUP) hup = 1;
      if (hup) usleep(20000);
    }
  }
}
