! Reference reader for box_read_check.py: reads one stored box as the layout gives it,
! header (I4,3F12.8) and the coordinates as one list in 6F13.8, site by site (x of all
! molecules, then y, then z), the first nsite sites only. Standard input: file name, lines
! before the box, sites to read. Prints the header and then i, k, x, y, z per site.
program boxref
  implicit none
  character(len=512) :: fname
  character(len=1) :: line
  integer :: skip, nsite, n, i, k, j
  double precision :: h(3)
  double precision, allocatable :: x(:, :), y(:, :), z(:, :)
  read (*, *) fname, skip, nsite
  open (10, file=trim(fname), status='old')
  do j = 1, skip
    read (10, '(A1)') line
  end do
  read (10, '(I4,3F12.8)') n, h
  allocate (x(n, nsite), y(n, nsite), z(n, nsite))
  read (10, '(6F13.8)') ((x(i, k), i=1, n), (y(i, k), i=1, n), (z(i, k), i=1, n), k=1, nsite)
  write (*, '(I6,3ES26.16E3)') n, h
  do k = 1, nsite
    do i = 1, n
      write (*, '(2I6,3ES26.16E3)') i, k, x(i, k), y(i, k), z(i, k)
    end do
  end do
end program boxref
