! Reference stream for random_check.py, written from the generator's description with
! default (32-bit) integers and REAL*4 where the description says single precision.
! Reads the seed and the count from standard input; prints per draw the draw number,
! the seed after it, ICON, ICHG and the number (as a double, 17 significant digits).
program ranref
  implicit none
  integer :: iseed, n, k
  integer :: icon, icnt, ichg, jrn, t1, t2
  integer, parameter :: imul = 1173, imod = 1048573, jmul = 1161, jcon = 458716759
  integer, parameter :: jmod = 1048573, icn0 = 458753759, ichg0 = 1167
  real :: f1, f2
  double precision :: x
  read (*, *) iseed, n
  icon = icn0
  icnt = 0
  ichg = ichg0
  jrn = 124690
  do k = 1, n
    icnt = icnt + 1
    if (icnt == ichg) then
      t1 = mod(jrn*jmul + jcon, jmod)
      f1 = real(t1)/real(jmod)
      if (f1 > 0.5) then
        icon = int(icn0*(1.0 + 0.5*f1))
      else
        icon = int(icn0*(1.0 - 0.5*f1))
      end if
      t2 = mod(t1*jmul + jcon, jmod)
      jrn = t2
      f2 = real(t2)/real(jmod)
      if (f2 > 0.5) then
        ichg = int(ichg0*(1.0 + 0.5*f2))
      else
        ichg = int(ichg0*(1.0 - 0.5*f2))
      end if
      icnt = 0
    end if
    iseed = mod(iseed*imul + icon, imod)
    x = dble(iseed)/dble(imod)
    write (*, '(I8,1X,I8,1X,I10,1X,I6,1X,ES24.16E3)') k, iseed, icon, ichg, x
  end do
end program ranref
